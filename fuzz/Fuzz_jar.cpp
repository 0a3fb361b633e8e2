// .jar archives from the computer: finding and reading the manifest, and the descriptor.
#include "fuzz/FuzzCheck.h"
#include "media/Jad.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string manifest;
    if (!q7k3::ManifestFromJar(q7k3::ByteView(data, size), manifest)) {
        // The bytes themselves as a manifest text.
        manifest.assign(reinterpret_cast<const char*>(data), size);
    }
    std::string jad;
    if (q7k3::BuildJad(manifest, size, "fuzz.jar", jad))
        FUZZ_CHECK(jad.ends_with("MIDlet-Jar-Url: fuzz.jar"));
    return 0;
}
