#include "ProgramError.h"

#include <new>

#include "NumberUtils.h"

namespace sevrana {

ProgramError DescribeFailure(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const ProgramError& e) {
        return e;
    } catch (const ConversionError&) {
        return ProgramError::Overflow();
    } catch (const std::out_of_range&) {
        return ProgramError::SubscriptOutOfRange();
    } catch (const std::bad_alloc&) {
        return ProgramError::OutOfMemory();
    } catch (const std::exception& e) {
        return {5, e.what()};
    } catch (...) {
        return {5, "Invalid procedure call or argument"};
    }
}

std::string ErrorNumberMessage(const ProgramError& error)
{
    return "Error # " + std::string(error.number >= 0 ? " " : "") + std::to_string(error.number) + " " + error.what();
}

}  // namespace sevrana
