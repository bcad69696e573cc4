// zvhlr-stream FILE: reads an object-stream file and prints its component
// tree, one line per component, the columns separated by tabs:
//   depth  framework name  class name  parent's name  field=value ...
// The fields are those each component read, in the order it read them, with
// their values as read back. Messages of the reader go to stderr with the
// line they concern. A file that cannot be read prints the error with its
// line number and ends with status 1.
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "interface/library_units.h"
#include "platform/ascii_reader.h"
#include "platform/component.h"
#include "zvhlr.h"

namespace {

struct Run {
    std::string file;
    zv::TAsciireader* reader = nullptr;
    std::map<const zv::TComponent*, std::vector<std::string>> fields;
};

void ShowMessage(int32_t kind, const char* text, void* user) {
    if (kind != ZV_MESSAGE_BOX) return;
    auto* run = static_cast<Run*>(user);
    long long line = run->reader ? static_cast<long long>(run->reader->LineNumber()) : 0;
    std::fprintf(stderr, "%s:%lld: %s\n", run->file.c_str(), line, text);
}

void Print(const Run& run, const zv::TZvComponent* c, int depth) {
    const zv::TZvComponent* parent = c->Parent();
    std::string line = std::to_string(depth) + "\t" + c->GetZvName() + "\t" + c->ClassName() + "\t" +
                       (parent ? parent->GetZvName() : std::string());
    if (auto it = run.fields.find(c); it != run.fields.end())
        for (const std::string& field : it->second) line += "\t" + field;
    std::printf("%s\n", line.c_str());
    for (int32_t i = 0; i < c->ChildCount(); ++i) Print(run, c->ChildAt(i), depth + 1);
}

int ReadAndPrint(Run& run) {
    run.reader = zv::TComponent::Create<zv::TAsciireader>(nullptr);
    run.reader->OnValue = [&run](const std::string& name, const std::string& value) {
        run.fields[run.reader->Reading()].push_back(name + "=" + value);
    };
    zv::TZvComponent* root = nullptr;
    int status = 0;
    try {
        run.reader->OpenFile(run.file);
        run.reader->ReadRoot(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s:%lld: error: %s\n", run.file.c_str(), static_cast<long long>(run.reader->LineNumber()),
                     e.what());
        status = 1;
    }
    run.reader->Free();
    run.reader = nullptr;
    if (status == 0 && !root) {
        std::fprintf(stderr, "%s: error: the file holds no component that can be read\n", run.file.c_str());
        status = 1;
    }
    if (root) {
        Print(run, root, 0);
        root->Free();
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr,
                     "usage: zvhlr-stream FILE\n"
                     "Prints the component tree of an object-stream file: depth, name, class,\n"
                     "parent and each field as name=value, separated by tabs.\n");
        return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 2;
    }
    Run run;
    run.file = argv[1];
    zv::InitializeUnits();
    ZVSetMessageHandler(ShowMessage, &run);
    int status = ReadAndPrint(run);
    ZVSetMessageHandler(nullptr, nullptr);
    zv::FinalizeUnits();
    return status;
}
