#include "runtime/failure.h"

#include <exception>
#include <new>

std::string DefaultDescription(long number) {
    switch (number) {
    case Err::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case Err::Overflow:
        return "Overflow";
    case Err::SubscriptOutOfRange:
        return "Subscript out of range";
    case Err::OutOfMemory:
        return "Out of memory";
    case Err::TypeMismatch:
        return "Type mismatch";
    case Err::InternalError:
        return "Internal error";
    case Err::BadFileName:
        return "Bad file name or number";
    case Err::FileNotFound:
        return "File not found";
    case Err::PathFileAccess:
        return "Path/File access error";
    case Err::PathNotFound:
        return "Path not found";
    case Err::InvalidUseOfNull:
        return "Invalid use of Null";
    case Err::InvalidPicture:
        return "Invalid picture";
    default:
        return "Application-defined or object-defined error";
    }
}

Failure::Failure(long number, std::string description)
    : std::runtime_error(std::to_string(number) + " - " + description), Number(number),
      Description(std::move(description)) {}

void Raise(long number) {
    throw Failure(number, DefaultDescription(number));
}
void Raise(long number, std::string description) {
    throw Failure(number, std::move(description));
}

Failure ForeignFailure(const std::exception& e) {
    if (auto* f = dynamic_cast<const Failure*>(&e)) return *f;
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return Failure(Err::OutOfMemory, DefaultDescription(Err::OutOfMemory));
    return Failure(Err::InternalError, DefaultDescription(Err::InternalError));
}
