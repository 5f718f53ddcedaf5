#pragma once

#include <stdexcept>
#include <string>

namespace quadrel {

// Error numbers in the style the library routines have always used.
enum ErrorNumber : int {
    kErrInvalidArgument = 5, // invalid procedure call or argument
    kErrOverflow = 6,        // value does not fit its type
    kErrSubscriptRange = 9,  // index out of range
    kErrDivisionByZero = 11, // division by zero
    kErrFileNotFound = 53,   // device or file not found
    kErrPathNotFound = 76,   // folder not found
};

// One error type for the whole program: a number and a description. Library
// routines catch, append " - " and their tag, and raise again, so the caller
// sees every routine the error passed through.
class QuadrelError : public std::runtime_error {
public:
    QuadrelError(int number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    int number() const { return number_; }
    const std::string& description() const { return description_; }

    // The same error with " - tag" appended to its description.
    QuadrelError tagged(const std::string& tag) const {
        return QuadrelError(number_, description_ + " - " + tag);
    }

private:
    int number_;
    std::string description_;
};

// Runs `body`; any error leaving it is raised again as a QuadrelError with the
// routine's tag appended (errors of other types become kErrInvalidArgument).
template <typename Body> decltype(auto) WithTag(const char* tag, Body&& body) {
    try {
        return body();
    } catch (const QuadrelError& e) {
        throw e.tagged(tag);
    } catch (const std::exception& e) {
        throw QuadrelError(kErrInvalidArgument, e.what()).tagged(tag);
    }
}

} // namespace quadrel
