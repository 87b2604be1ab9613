#pragma once
// Splits a fuzzer's bytes into the few values one call needs.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quotidia {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    int Int() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4 && pos_ < size_; ++i) v = (v << 8) | data_[pos_++];
        return static_cast<int>(v);
    }
    bool Bool() { return pos_ < size_ ? (data_[pos_++] & 1) : false; }
    // Bytes up to the next 0xFF (the separator) or the end.
    std::string Bytes() {
        std::string out;
        while (pos_ < size_ && data_[pos_] != 0xFF) out.push_back(static_cast<char>(data_[pos_++]));
        if (pos_ < size_) ++pos_;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace quotidia
