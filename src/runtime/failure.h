// A run-time failure: a number and a description, raised as an exception and
// caught by the procedures that guard their bodies.
#pragma once

#include <stdexcept>
#include <string>

namespace Err {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long OutOfMemory = 7;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long TypeMismatch = 13;
inline constexpr long InternalError = 51;
inline constexpr long BadFileName = 52;
inline constexpr long FileNotFound = 53;
inline constexpr long PathFileAccess = 75;
inline constexpr long PathNotFound = 76;
inline constexpr long InvalidUseOfNull = 94;
inline constexpr long InvalidPicture = 481;
} // namespace Err

// The description the runtime gives a number when the raiser supplies none.
std::string DefaultDescription(long number);

class Failure : public std::runtime_error {
  public:
    Failure(long number, std::string description);
    long Number;
    std::string Description;
};

[[noreturn]] void Raise(long number);
[[noreturn]] void Raise(long number, std::string description);

// The failure that stands for an exception the program did not raise itself
// (one from the library or the toolkit), so that it can be reported like any
// other: out of memory is 7, anything else 51.
// A Failure stays what it is.
Failure ForeignFailure(const std::exception& e);

// Element i of an array (lower bound 0), failure 9
// "Subscript out of range" for any other index.
template <class Array> auto& Element(Array& array, long i) {
    if (i < 0 || static_cast<unsigned long>(i) >= array.size()) Raise(Err::SubscriptOutOfRange);
    return array[static_cast<typename Array::size_type>(i)];
}
