#include "engine/core/exception.h"

#include <utility>

namespace engine {
namespace core {

Exception::Exception(std::wstring text_, std::wstring function_)
    : text(std::move(text_)), function(std::move(function_)) {}

Exception::Exception(const Exception& other) = default;
Exception& Exception::operator=(const Exception& other) = default;
Exception::~Exception() = default;

std::wstring Exception::GetText() const { return text; }
std::wstring Exception::GetFunction() const { return function; }

}  // namespace core
}  // namespace engine
