#pragma once
// Run-time failures that commands report to the user as "Error # n description":
// the classic error numbers, so messages read the same whatever failed.

#include <stdexcept>
#include <string>

namespace sevrana {

struct ProgramError : std::runtime_error {
    ProgramError(int number, const std::string& description) : std::runtime_error(description), number(number) {}
    int number;

    static ProgramError Overflow() { return {6, "Overflow"}; }
    static ProgramError OutOfMemory() { return {7, "Out of memory"}; }
    static ProgramError SubscriptOutOfRange() { return {9, "Subscript out of range"}; }
    static ProgramError DivisionByZero() { return {11, "Division by zero"}; }
};

/// The number and description of whatever was thrown, as the user sees them.
ProgramError DescribeFailure(const std::exception_ptr& failure);

/// "Error # " with the number (a leading blank when not negative), a blank and the description.
std::string ErrorNumberMessage(const ProgramError& error);

}  // namespace sevrana
