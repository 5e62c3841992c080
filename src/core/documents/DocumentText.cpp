#include "core/documents/DocumentText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/documents/TextEncoding.h"

bool DocumentText::Read(std::size_t count, std::string* out, char stop)
{
    const std::string_view bytes(bytes_);
    while (count > 0) {
        if (pos_ == bytes.size())
            return false;
        // Plain bytes in one piece, up to the next carriage return.
        const std::size_t plainEnd = std::min(bytes.find('\r', pos_), bytes.size());
        std::size_t take = std::min(count, plainEnd - pos_);
        if (stop != '\0') {
            const std::size_t stopAt = bytes.substr(pos_, take).find(stop);
            if (stopAt != std::string_view::npos) {
                Put(out, bytes.substr(pos_, stopAt + 1));
                pos_ += stopAt + 1;
                return true;
            }
        }
        Put(out, bytes.substr(pos_, take));
        pos_ += take;
        count -= take;
        if (count > 0 && pos_ < bytes.size()) {
            const bool pair = pos_ + 1 < bytes.size() && bytes[pos_ + 1] == '\n';
            Put(out, pair ? "\n" : "\r");
            pos_ += pair ? 2 : 1;
            --count;
        }
    }
    return true;
}

std::optional<std::string> DocumentText::TakeLast(std::size_t count)
{
    char* const data = bytes_.data();
    const std::size_t size = bytes_.size();
    std::size_t to = 0;  // never beyond pos_: what it overwrites has been read
    while (count > 0) {
        // Eight bytes at a time while none of them is a carriage return.
        if (count >= 8 && size - pos_ >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, data + pos_, 8);
            if (!HasByte(eight, '\r')) {
                std::memcpy(data + to, &eight, 8);
                to += 8;
                pos_ += 8;
                count -= 8;
                continue;
            }
        }
        if (pos_ == size)
            return std::nullopt;
        const bool pair = data[pos_] == '\r' && pos_ + 1 < size && data[pos_ + 1] == '\n';
        data[to++] = pair ? '\n' : data[pos_];
        pos_ += pair ? 2 : 1;
        --count;
    }
    bytes_.resize(to);
    pos_ = bytes_.size();
    return std::move(bytes_);
}

bool DocumentText::SkipLast(std::size_t count)
{
    const std::size_t returns = CountByte(std::string_view(bytes_).substr(pos_), '\r');
    if (count + returns <= BytesLeft()) {
        pos_ = bytes_.size();
        return true;
    }
    return Read(count, nullptr);
}
