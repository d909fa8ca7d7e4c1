#pragma once
// Lets objects list their fields by name for the state dump, without the
// framework knowing the dump's format.
#include <cstdint>
#include <string_view>

namespace tibo {

class TFieldWriter {
public:
    virtual ~TFieldWriter() = default;
    virtual void Field(std::string_view name, int64_t value) = 0;
    virtual void Field(std::string_view name, double value) = 0;
    virtual void Field(std::string_view name, bool value) = 0;
    virtual void Field(std::string_view name, std::string_view value) = 0;
    void Field(std::string_view name, int32_t value) { Field(name, static_cast<int64_t>(value)); }
    void Field(std::string_view name, const char* value) { Field(name, std::string_view(value)); }
};

}  // namespace tibo
