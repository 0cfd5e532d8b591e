// A brightness library for tests. It answers what the file named by LUMORA_FAKE_BRIGHTNESS_FILE
// holds: a number (the raw fraction, "nan" included) or "fail" for a failed read. It writes the
// display it was asked about, one line per call, to the same path with ".display" appended.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" __attribute__((visibility("default"))) int32_t
DisplayServicesGetBrightness(uint32_t display, float* brightness) {
    const char* path = std::getenv("LUMORA_FAKE_BRIGHTNESS_FILE");
    if (!path)
        return 2;
    if (FILE* asked = std::fopen((std::string(path) + ".display").c_str(), "a")) {
        std::fprintf(asked, "%u\n", display);
        std::fclose(asked);
    }
    FILE* file = std::fopen(path, "r");
    if (!file)
        return 3;
    char text[64] = {};
    const bool read = std::fgets(text, sizeof text, file) != nullptr;
    std::fclose(file);
    if (!read || std::strncmp(text, "fail", 4) == 0)
        return 1;
    *brightness = std::strtof(text, nullptr);
    return 0;
}
