#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Palm files store every number most significant byte first, whatever the desktop's byte order.
// Callers check bounds before reading; these helpers only assemble bytes.
namespace tarn::platform::palm {

inline uint32_t ReadBig(std::string_view bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

inline uint16_t ReadBig16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(ReadBig(bytes, at, 2));
}
inline uint32_t ReadBig24(std::string_view bytes, size_t at) {
    return ReadBig(bytes, at, 3);
}
inline uint32_t ReadBig32(std::string_view bytes, size_t at) {
    return ReadBig(bytes, at, 4);
}

inline void AppendBig(std::string& out, uint32_t value, size_t width) {
    for (size_t i = width; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline void AppendBig16(std::string& out, uint16_t value) {
    AppendBig(out, value, 2);
}
inline void AppendBig24(std::string& out, uint32_t value) {
    AppendBig(out, value, 3);
}
inline void AppendBig32(std::string& out, uint32_t value) {
    AppendBig(out, value, 4);
}

}  // namespace tarn::platform::palm
