#include "ogl/ogl_display_list.h"

#include "ogl/gl_entry_points.h"
#include "ogl/ogl_canvas.h"

namespace zv {

TOglDisplayList::TOglDisplayList(TZVDevice* device) : TDisplayList(device) {}

// While the device itself is being destroyed it is no canvas any more; its
// context then takes the list with it.
TOglDisplayList::~TOglDisplayList() {
    if (CurrentList() != 0 && LiveCanvas() && glIsList(static_cast<GLuint>(CurrentList())))
        glDeleteLists(static_cast<GLuint>(CurrentList()), 1);
}

TZvOglCanvas* TOglDisplayList::LiveCanvas() const {
    auto* canvas = dynamic_cast<TZvOglCanvas*>(Device());
    return canvas && canvas->HandleValid() ? canvas : nullptr;
}

void TOglDisplayList::NewList(int32_t mode) {
    TZvOglCanvas* canvas = LiveCanvas();
    if (!canvas) {
        TDisplayList::NewList(mode);
        return;
    }
    canvas->CheckError();
    if (!glIsList(static_cast<GLuint>(CurrentList()))) SetCurrentList(static_cast<int32_t>(glGenLists(1)));
    glNewList(static_cast<GLuint>(CurrentList()), static_cast<GLenum>(mode));
    canvas->CheckError();
}

void TOglDisplayList::EndList() {
    TZvOglCanvas* canvas = LiveCanvas();
    if (!canvas) {
        TDisplayList::EndList();
        return;
    }
    glEndList();
    SetCompiled(true);
    canvas->CheckError();
}

void TOglDisplayList::CallList() {
    TZvOglCanvas* canvas = LiveCanvas();
    if (!canvas || CurrentList() == 0 || !glIsList(static_cast<GLuint>(CurrentList()))) return;
    glCallList(static_cast<GLuint>(CurrentList()));
    canvas->CheckError();
}

void TOglDisplayList::DeleteList() {
    if (LiveCanvas() && glIsList(static_cast<GLuint>(CurrentList())))
        glDeleteLists(static_cast<GLuint>(CurrentList()), 1);
    SetCurrentList(0);
    SetCompiled(false);
}

}  // namespace zv
