// Success-or-error values for the chip-configuration code: no exception leaves this module, and
// every failure carries a text a tool can print as it stands.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace zel::chipcfg {

enum class ErrorCode {
    Unreadable,          // the file cannot be opened or read
    TooLarge,            // larger than any chip configuration can be
    TooShort,            // shorter than the 32-byte header
    FieldOutOfRange,     // a header offset points outside the file
    UnsupportedChip,     // a chip size or supply voltage no emulator takes
    InvalidDescription,  // the writer was asked for something the format cannot carry
    LayoutDoesNotFit,    // the SFDP marker cannot be placed at its presence offset
    InvalidChipName,     // a chip name that cannot name a configuration file
    WriteFailed,         // the file could not be written
};

struct Error {
    ErrorCode code;
    std::string message;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& {
        assert(ok());
        return std::get<0>(state_);
    }
    T& value() & {
        assert(ok());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(state_));
    }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const {
        assert(!ok());
        return std::get<1>(state_);
    }

private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const {
        assert(!ok());
        return *error_;
    }

private:
    std::optional<Error> error_;
};

}  // namespace zel::chipcfg
