#pragma once

// Turns a fuzzer's bytes into the pieces a target needs: numbers from the
// first bytes, then texts separated by the byte 0x1E, so that seed files
// stay readable.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size)
    {
    }

    int Int()
    {
        if (rest_.empty())
            return 0;
        const auto byte = static_cast<std::int8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }

    bool Bool() { return (Int() & 1) != 0; }

    std::string Text()
    {
        const std::size_t end = rest_.find('\x1e');
        const std::string text(rest_.substr(0, end));
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return text;
    }

    std::string Rest()
    {
        const std::string text(rest_);
        rest_ = {};
        return text;
    }

private:
    std::string_view rest_;
};

inline void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}
