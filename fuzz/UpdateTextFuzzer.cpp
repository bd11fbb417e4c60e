// libFuzzer target for the texts the update server sends and the address it is reached
// at (core/UpdateText, core/ReleaseManifest, host build). The input is one reply body; it
// is also read as an address and as a release statement. Besides crashes and sanitizer reports it stops when a size is accepted outside
// 1 .. 2 GiB, a served text grows past 1024 characters, or an accepted address gives a
// request path that does not start with "/", or a statement is accepted with a version
// that is none or a size outside 1 .. 2 GiB.

#include "core/ReleaseManifest.h"
#include "core/UpdateText.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = WidenServedText(bytes);
    Check(text.size() <= 1024);
    (void)IsNewVersion(text, L"3.0.6", L"3.0.7");
    std::uint64_t served = 0;
    if (ParseServedSize(text, served))
        Check(served >= 1 && served <= (std::uint64_t{1} << 31));
    UpdateServerBase base;
    if (ParseUpdateServerUrl(text, base)) {
        Check(!base.host.empty() && base.port != 0);
        Check(ServedFilePath(base, kServedProgramFile).front() == L'/');
    }
    ReleaseManifest manifest;
    if (ParseReleaseManifest(bytes, manifest))
        Check(IsVersionText(manifest.version) && manifest.size >= 1 && manifest.size <= (std::uint64_t{1} << 31));
    return 0;
}
