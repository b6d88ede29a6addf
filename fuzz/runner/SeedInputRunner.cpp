// Runs a fuzz target on a fixed set of inputs without libFuzzer: the empty
// input, a few short texts in the formats the targets read, deterministic
// random bytes, and every file named on the command line. The ordinary
// build makes one of these per target, so that a target that no longer
// compiles, links or holds on plain input fails the tests, not the next
// fuzzing session.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

void run(const std::string& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const char* text : {"", "a", "<p>Hello <b>world</b> &amp; &#x263a;</p>", "{\\rtf1\\ansi Hello\\par}",
                             "# Title\n\n* item\n\n![picture](x.png)", "color: red; font-size: 12px",
                             "%PDF-1.4\n1 0 obj << >> endobj\n"})
        run(text);
    std::mt19937 random(20260101);
    for (int count = 0; count < 200; ++count) {
        std::string bytes(random() % 512, '\0');
        for (char& byte : bytes)
            byte = char(random());
        run(bytes);
    }
    for (int argument = 1; argument < argc; ++argument) {
        std::ifstream file(argv[argument], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[argument]);
            return 1;
        }
        run(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    }
    return 0;
}
