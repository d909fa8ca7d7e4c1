#pragma once
// Failures of the framework are raised as exceptions carrying the messages of
// its string table; the program prints the message and stops.
#include <cstdarg>
#include <stdexcept>
#include <string>

namespace tibo {

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string VFormat(const char* fmt, va_list args);

class EFrameworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EDisplayError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class ESurfaceError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class EImageListError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class ESpriteError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class EListError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class EWaveError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class ESoundError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class EInputError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
class EPictureError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };

// The messages of the string table.
namespace msg {
inline constexpr const char* CannotMake = "%s cannot be made";
inline constexpr const char* CannotInitialize = "%s cannot be initialized";
inline constexpr const char* CannotLock = "%s cannot be locked";
inline constexpr const char* ImageNotFound = "Image '%s' not found";
inline constexpr const char* WaveNotFound = "Wave '%s' not found";
inline constexpr const char* ListIndexError = "Index of the list exceeds the range. (%d)";
inline constexpr const char* ListBoundsError = "List index out of bounds (%d)";
inline constexpr const char* DisplayModeError = "Display mode cannot be changed (%dx%d %dbit)";
inline constexpr const char* FormNotFound = "Form not found";
inline constexpr const char* WaveInvalid = "Wave is invalid";
}  // namespace msg

}  // namespace tibo
