#pragma once

#include <string>

#include "engine/api.h"

namespace engine {
namespace core {

// The one exception type the engine raises: the text shown to the user and the place
// it came from ("unit:line" for errors raised through the log). Deliberately not a
// std::exception: only the engine's own handlers catch it.
class ENGINE_API Exception {
 public:
  Exception(std::wstring text, std::wstring function);
  Exception(const Exception& other);
  Exception& operator=(const Exception& other);
  ~Exception();

  std::wstring GetText() const;
  std::wstring GetFunction() const;

 private:
  std::wstring text;
  std::wstring function;
};

}  // namespace core
}  // namespace engine
