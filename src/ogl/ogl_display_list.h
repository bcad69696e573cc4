// TOglDisplayList: the device's display list as one OpenGL display list.
// On a device that is not an OpenGL canvas it keeps the bookkeeping only.
#pragma once

#include "device/display_list.h"

namespace zv {

class TZvOglCanvas;

class TOglDisplayList : public TDisplayList {
public:
    explicit TOglDisplayList(TZVDevice* device);
    ~TOglDisplayList() override;

    // Starts recording into CurrentList, first taking a new list name when
    // CurrentList names none.
    void NewList(int32_t mode) override;
    void EndList() override;
    void CallList() override;
    void DeleteList();

private:
    // The canvas with its context made current, or none.
    TZvOglCanvas* LiveCanvas() const;
};

}  // namespace zv
