// What a failed command tells the user: the error number and description of
// whatever was thrown.

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "NumberUtils.h"
#include "ProgramError.h"

namespace sevrana {
namespace {

TEST(ProgramError, NumberAndDescriptionOfWhateverWasThrown)
{
    const std::vector<std::pair<std::exception_ptr, std::string>> cases = {
        {std::make_exception_ptr(ConversionError("ignored")), "Error #  6 Overflow"},
        {std::make_exception_ptr(std::out_of_range("ignored")), "Error #  9 Subscript out of range"},
        {std::make_exception_ptr(std::bad_alloc()), "Error #  7 Out of memory"},
        {std::make_exception_ptr(ProgramError::DivisionByZero()), "Error #  11 Division by zero"},
        {std::make_exception_ptr(std::runtime_error("Disk full")), "Error #  5 Disk full"},
        {std::make_exception_ptr(42), "Error #  5 Invalid procedure call or argument"},
        {std::make_exception_ptr(ProgramError(-2, "Odd")), "Error # -2 Odd"}};
    for (const auto& [failure, message] : cases) EXPECT_EQ(ErrorNumberMessage(DescribeFailure(failure)), message);
}

}  // namespace
}  // namespace sevrana
