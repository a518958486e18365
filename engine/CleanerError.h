#pragma once
#include <stdexcept>
#include <string>

namespace tv::engine {
// The errors the cleaners raise by design; their text is what the error box shows.
class CleanerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
} // namespace tv::engine
