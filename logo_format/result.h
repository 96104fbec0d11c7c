#pragma once

#include <cctype>
#include <optional>
#include <string>
#include <utility>

namespace quenlark::converter {

// A value, or the sentence that tells the user why there is none.
template <class T>
class Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    static Result failure(std::string message) {
        Result result;
        result.error_ = std::move(message);
        return result;
    }

    explicit operator bool() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    const std::string& error() const { return error_; }

  private:
    Result() = default;
    std::optional<T> value_;
    std::string error_;
};

// The outcome of an action that yields nothing but may fail.
struct Done {};

// A failure's sentence ("It is ...") as the second half of another.
inline std::string asClause(std::string sentence) {
    if (!sentence.empty())
        sentence[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(sentence[0])));
    return sentence;
}

}  // namespace quenlark::converter
