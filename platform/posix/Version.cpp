#include "platform/posix/Version.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/VersionBlock.h"
#include "platform/posix/VersionResource.h"

namespace qv {
namespace {

// Owns a file descriptor.
class ScopedFd {
public:
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    ~ScopedFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

class FileByteSource : public IByteSource {
public:
    FileByteSource(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t size) const override {
        if (offset > m_size || m_size - offset < size) return false;
        auto* at = static_cast<char*>(out);
        while (size > 0) {
            ssize_t got = ::pread(m_fd, at, size, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            at += got;
            offset += static_cast<std::uint64_t>(got);
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
    std::uint64_t m_size;
};

bool ReadResourceOf(const char* pszFileName, std::vector<std::uint8_t>& resource) {
    // Non-blocking so that a FIFO given as the name cannot hang the caller; only regular files
    // count.
    ScopedFd fd(::open(pszFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FileByteSource file(fd.Get(), static_cast<std::uint64_t>(st.st_size));
    return ReadVersionResource(file, resource);
}

struct LanguageName {
    std::uint16_t id;
    std::string_view name;
};

constexpr LanguageName kLanguages[] = {
    {0x0000, "Language Neutral"},
    {0x0401, "Arabic (Saudi Arabia)"},
    {0x0402, "Bulgarian"},
    {0x0403, "Catalan"},
    {0x0404, "Chinese (Taiwan)"},
    {0x0405, "Czech"},
    {0x0406, "Danish"},
    {0x0407, "German (Germany)"},
    {0x0408, "Greek"},
    {0x0409, "English (United States)"},
    {0x040A, "Spanish (Traditional Sort)"},
    {0x040B, "Finnish"},
    {0x040C, "French (France)"},
    {0x040D, "Hebrew"},
    {0x040E, "Hungarian"},
    {0x040F, "Icelandic"},
    {0x0410, "Italian (Italy)"},
    {0x0411, "Japanese"},
    {0x0412, "Korean"},
    {0x0413, "Dutch (Netherlands)"},
    {0x0414, "Norwegian (Bokmal)"},
    {0x0415, "Polish"},
    {0x0416, "Portuguese (Brazil)"},
    {0x0418, "Romanian"},
    {0x0419, "Russian"},
    {0x041A, "Croatian"},
    {0x041B, "Slovak"},
    {0x041D, "Swedish"},
    {0x041E, "Thai"},
    {0x041F, "Turkish"},
    {0x0421, "Indonesian"},
    {0x0422, "Ukrainian"},
    {0x042A, "Vietnamese"},
    {0x0804, "Chinese (Simplified)"},
    {0x0807, "German (Switzerland)"},
    {0x0809, "English (United Kingdom)"},
    {0x080A, "Spanish (Mexico)"},
    {0x080C, "French (Belgium)"},
    {0x0810, "Italian (Switzerland)"},
    {0x0813, "Dutch (Belgium)"},
    {0x0816, "Portuguese (Portugal)"},
    {0x0C07, "German (Austria)"},
    {0x0C09, "English (Australia)"},
    {0x0C0A, "Spanish (Spain)"},
    {0x0C0C, "French (Canada)"},
    {0x1009, "English (Canada)"},
    {0x100C, "French (Switzerland)"},
};

constexpr std::string_view kUnknownLanguage = "Unknown language";

// The primary language is the identifier's low ten bits; its name is a table name without the
// region in parentheses.
std::string_view PrimaryLanguageName(std::uint32_t id) {
    for (const LanguageName& l : kLanguages) {
        if (l.id != 0 && (l.id & 0x3FF) == (id & 0x3FF)) return l.name.substr(0, l.name.find(" ("));
    }
    return kUnknownLanguage;
}

std::string_view LanguageNameOf(std::uint32_t id) {
    for (const LanguageName& l : kLanguages)
        if (l.id == id) return l.name;
    return PrimaryLanguageName(id);
}

// Copies text into a caller's buffer of size bytes, cut to fit and always terminated.
void CopyCut(std::string_view text, char* out, std::uint32_t size) {
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

std::uint32_t PosixVersion::InfoSize(const char* pszFileName, std::uint32_t* pdwHandle) {
    if (pdwHandle != nullptr) *pdwHandle = 0;
    std::vector<std::uint8_t> resource;
    if (!ReadResourceOf(pszFileName, resource)) return 0;
    return static_cast<std::uint32_t>(verblock::BlockSize(resource.size()));
}

std::int32_t PosixVersion::ReadInfo(const char* pszFileName, std::uint32_t /*dwHandle*/,
                                    std::uint32_t dwLen, void* pData) {
    std::vector<std::uint8_t> resource;
    if (!ReadResourceOf(pszFileName, resource)) return 0;
    return verblock::FillBlock(resource, std::span(static_cast<std::uint8_t*>(pData), dwLen)) ? 1
                                                                                              : 0;
}

std::int32_t PosixVersion::QueryValue(const void* pBlock, const char* pszSubBlock, void** ppBuffer,
                                      std::uint32_t* puLen) {
    return verblock::Query(pBlock, pszSubBlock, ppBuffer, puLen) ? 1 : 0;
}

std::uint32_t PosixVersion::LanguageName(std::uint32_t wLang, char* pszLang,
                                         std::uint32_t cchLang) {
    std::string_view name = LanguageNameOf(wLang);
    CopyCut(name, pszLang, cchLang);
    return static_cast<std::uint32_t>(name.size());
}

}  // namespace qv
