#pragma once
#include <cstdint>
#include <string_view>

// A version of a file by its bytes (64-bit FNV-1a): enough to tell one version from another, no defence
// against one made to look alike.
inline std::uint64_t ContentHash(std::string_view bytes) noexcept {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3ULL;
    }
    return hash;
}
