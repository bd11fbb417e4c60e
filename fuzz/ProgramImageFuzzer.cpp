// libFuzzer target for what the update reads from a downloaded program file and its
// signature text (core/ProgramImage, core/UpdateSignature, host build). The input is
// the file; it is also read as a signature text. Besides crashes and sanitizer reports it
// stops when a signature text is accepted that is not the 88 characters (plus a line
// break) of 64 bytes.

#include "core/ProgramImage.h"
#include "core/UpdateSignature.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CMemoryBytes image(bytes);
    (void)IsExecutableImageFor(image, kMachineAmd64);
    (void)ImageProductVersion(image);
    const std::wstring text(bytes.begin(), bytes.end());
    EcP256Signature signature;
    if (ParseSignatureText(text, signature))
        Check(size >= 88 && size <= 90);
    EcP256PublicKey key;
    (void)ParsePublicKeyPem(bytes, key);
    return 0;
}
