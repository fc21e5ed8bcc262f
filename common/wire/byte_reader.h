// A bounded reader over the bytes of a datagram that are still unread. Every read checks what
// remains first; a read that cannot be satisfied returns nothing and leaves the position where
// it was, so no sequence of reads can go past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// A run of bytes inside the datagram; never owns them.
class ByteSpan {
public:
    constexpr ByteSpan() = default;
    constexpr ByteSpan(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    constexpr const unsigned char* data() const { return data_; }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr unsigned char operator[](std::size_t index) const { return data_[index]; }
    constexpr const unsigned char* begin() const { return data_; }
    constexpr const unsigned char* end() const { return data_ + size_; }
    // The bytes from index on; empty when index lies at or past the end.
    constexpr ByteSpan From(std::size_t index) const {
        return index >= size_ ? ByteSpan(data_ + size_, 0) : ByteSpan(data_ + index, size_ - index);
    }
    // At most count bytes from the start.
    constexpr ByteSpan First(std::size_t count) const {
        return ByteSpan(data_, count < size_ ? count : size_);
    }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

class ByteReader {
public:
    constexpr ByteReader(const unsigned char* data, std::size_t size) : unread_(data, size) {}
    explicit constexpr ByteReader(ByteSpan bytes) : unread_(bytes) {}

    constexpr std::size_t remaining() const { return unread_.size(); }

    std::optional<std::uint8_t> ReadU8() {
        if (remaining() < 1) return std::nullopt;
        std::uint8_t value = unread_[0];
        unread_ = unread_.From(1);
        return value;
    }

    // Two bytes, low byte first.
    std::optional<std::uint16_t> ReadU16LE() {
        if (remaining() < 2) return std::nullopt;
        auto value = static_cast<std::uint16_t>(unread_[0] | (unread_[1] << 8));
        unread_ = unread_.From(2);
        return value;
    }

    std::optional<ByteSpan> ReadBytes(std::size_t count) {
        if (remaining() < count) return std::nullopt;
        ByteSpan bytes = unread_.First(count);
        unread_ = unread_.From(count);
        return bytes;
    }

    // A length byte n and the n bytes after it; fails, moving nothing, unless all n are there.
    std::optional<ByteSpan> ReadTextField() {
        if (remaining() < 1 || remaining() - 1 < unread_[0]) return std::nullopt;
        ByteSpan text(unread_.data() + 1, unread_[0]);
        unread_ = unread_.From(1 + text.size());
        return text;
    }

    bool Skip(std::size_t count) { return ReadBytes(count).has_value(); }

private:
    ByteSpan unread_;
};
