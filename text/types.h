#pragma once
// The three value types every routine of the program passes around.
//
// Text is a byte string in code page 936 that can never hold a NUL byte: any
// construction cuts at the first NUL, exactly as a C string would be read.
// ByteBuffer may hold any bytes. They are separate types so that passing raw
// bytes where text is expected (or the reverse) does not compile.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quotidia {

class Text {
public:
    Text() = default;
    Text(const char* s) : bytes_(s ? s : "") {}
    explicit Text(std::string_view s) : bytes_(s.substr(0, s.find('\0'))) {}
    explicit Text(std::string s) : bytes_(std::move(s)) { CutAtNul(); }

    const std::string& str() const noexcept { return bytes_; }
    std::string_view view() const noexcept { return bytes_; }
    const char* c_str() const noexcept { return bytes_.c_str(); }
    std::size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }
    // The byte at a 0-based index, as an unsigned value.
    unsigned char operator[](std::size_t i) const noexcept { return static_cast<unsigned char>(bytes_[i]); }

    Text& operator+=(const Text& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend Text operator+(Text a, const Text& b) { return a += b; }
    friend bool operator==(const Text& a, const Text& b) noexcept = default;

private:
    void CutAtNul() {
        if (auto nul = bytes_.find('\0'); nul != std::string::npos) bytes_.resize(nul);
    }
    std::string bytes_;
};

class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
    explicit ByteBuffer(std::string_view bytes) : bytes_(bytes) {}
    ByteBuffer(std::initializer_list<unsigned char> bytes) : bytes_(bytes.begin(), bytes.end()) {}

    const std::string& str() const noexcept { return bytes_; }
    std::string_view view() const noexcept { return bytes_; }
    const unsigned char* data() const noexcept { return reinterpret_cast<const unsigned char*>(bytes_.data()); }
    std::size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }
    unsigned char operator[](std::size_t i) const noexcept { return static_cast<unsigned char>(bytes_[i]); }

    ByteBuffer& operator+=(const ByteBuffer& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend bool operator==(const ByteBuffer& a, const ByteBuffer& b) noexcept = default;

private:
    std::string bytes_;
};

// 1-based at every interface that reports an index (FindInArray); stored 0-based.
using TextArray = std::vector<Text>;

}  // namespace quotidia
