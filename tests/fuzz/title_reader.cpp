// Arbitrary bytes for the title reader, through a real file: whatever the bytes, it answers
// without reading past the file, and its answer agrees with the title it gives.
#include <cstdio>

#include "playlist/PlayList.h"
#include "tests/fuzz/FuzzSupport.h"

constexpr char kUntouched[] = "\x01untouched";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = FuzzFolder() + "/in.mid";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CString title(kUntouched);
    int answer = CPlayList::ReadTitle(path.c_str(), title);
    // Removed after every run: libFuzzer may end the process without running exit handlers.
    ::unlink(path.c_str());
    CString name;
    CPlayList::MakeFileName(path.c_str(), name);
    Check((answer == -1 && title == kUntouched) || (answer == 0 && title == name) ||
          (answer > 0 && answer == title.GetLength() && static_cast<std::size_t>(answer) < size));
    return 0;
}
