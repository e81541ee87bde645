// The program the process suite starts: it writes its current folder and then each argument in
// brackets, one a line, to the file named by QV_RECORD, renamed into place so that a reader never
// sees half of it. A compiled program rather than a script, so that Windows starts it too.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const char* record = std::getenv("QV_RECORD");
    if (!record) return 2;
    const std::string partial = std::string(record) + ".tmp";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) return 3;
    std::error_code error;
    std::fprintf(out, "%s\n", std::filesystem::current_path(error).string().c_str());
    for (int i = 1; i < argc; ++i) std::fprintf(out, "[%s]\n", argv[i]);
    if (std::fclose(out) != 0) return 4;
    return std::rename(partial.c_str(), record) == 0 ? 0 : 5;
}
