// The version-resource reader on hostile bytes: the input is taken both as a whole file (ELF or PE
// around a resource) and as a bare VS_VERSIONINFO tree, and every answer must stay in its block.
#include "platform/posix/VersionBlock.h"
#include "platform/posix/VersionResource.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr const char* kPaths[] = {
    "\\",
    "\\VarFileInfo\\Translation",
    "\\StringFileInfo\\041103A4\\ProductName",
    "\\StringFileInfo\\040904B0\\LegalCopyright",
    "\\StringFileInfo\\041103A4",
    "\\\\stringfileinfo\\\\041103a4\\\\productname\\",
};

void Exercise(std::span<const std::uint8_t> resource, std::size_t cut) {
    std::size_t size = qv::verblock::BlockSize(resource.size());
    // Sometimes a buffer smaller than asked for, as a careless caller might pass.
    std::vector<std::uint8_t> block(cut % 3 == 0 && cut < size ? cut : size);
    if (!qv::verblock::FillBlock(resource, block)) return;
    for (const char* path : kPaths) {
        void* value = nullptr;
        std::uint32_t len = 0;
        if (!qv::verblock::Query(block.data(), path, &value, &len)) continue;
        const auto* p = static_cast<const std::uint8_t*>(value);
        Check(p >= block.data() && p + len <= block.data() + block.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    std::size_t cut = size > 0 ? data[size - 1] * 4u : 0;
    std::vector<std::uint8_t> resource;
    if (qv::ReadVersionResource(qv::SpanByteSource(input), resource)) Exercise(resource, cut);
    Exercise(input, cut);
    return 0;
}
