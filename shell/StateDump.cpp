#include "shell/StateDump.h"

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>

#include "framework/FieldList.h"
#include "framework/FieldWriter.h"
#include "shell/Main.h"

namespace tibo {
namespace {

class TJsonFieldWriter final : public TFieldWriter {
public:
    explicit TJsonFieldWriter(nlohmann::json& out) : Out_(out) {}
    using TFieldWriter::Field;
    void Field(std::string_view name, int64_t value) override { Out_[std::string(name)] = value; }
    void Field(std::string_view name, double value) override { Out_[std::string(name)] = value; }
    void Field(std::string_view name, bool value) override { Out_[std::string(name)] = value; }
    void Field(std::string_view name, std::string_view value) override { Out_[std::string(name)] = std::string(value); }

private:
    nlohmann::json& Out_;
};

void DumpTree(const TSprite& sprite, nlohmann::json& list) {
    for (int32_t i = 0; i < sprite.Count(); ++i) {
        const TSprite& child = *sprite.Items(i);
        list.push_back(DumpSprite(child));
        DumpTree(child, list);
    }
}

// The dump writes every listed field; the checksum those marked Checked.
enum class TPurpose { Dump, Checksum };

template <class Owner>
void WriteFields(nlohmann::json& out, Owner& owner, const auto& fields, TPurpose purpose);

// A value as the dump shows it; `owner` is the object it belongs to.
template <class Owner, class Value>
nlohmann::json JsonValue(const Owner& /*owner*/, const Value& value, TPurpose purpose) {
    if constexpr (HasFieldList<Value>) {
        nlohmann::json object = nlohmann::json::object();
        WriteFields(object, value, Value::Fields, purpose);
        return object;
    } else if constexpr (std::is_same_v<Value, std::string_view>) {
        return std::string(value);
    } else if constexpr (std::is_same_v<Value, char>) {
        return std::string(1, value);  // a letter
    } else {
        return value;
    }
}

template <class Owner, class Entry, size_t N>
nlohmann::json JsonValue(const Owner& owner, const std::array<Entry, N>& list, TPurpose purpose) {
    nlohmann::json array = nlohmann::json::array();
    for (const Entry& e : list) array.push_back(JsonValue(owner, e, purpose));
    return array;
}

// A grid: its rows 1..MazeHeight, each of the cells 1..MazeWidth.
nlohmann::json JsonValue(const TMaze& maze, const TMaze::TGrid& grid, TPurpose /*purpose*/) {
    nlohmann::json rows = nlohmann::json::array();
    for (int y = 1; y <= maze.MazeHeight; ++y) {
        nlohmann::json row = nlohmann::json::array();
        for (int x = 1; x <= maze.MazeWidth; ++x) row.push_back(int{grid[static_cast<size_t>(x)][static_cast<size_t>(y)]});
        rows.push_back(std::move(row));
    }
    return rows;
}

// Every sprite below the engine, parents before their children.
nlohmann::json JsonValue(const TMainForm& /*form*/, const TSpriteEngine& engine, TPurpose /*purpose*/) {
    nlohmann::json sprites = nlohmann::json::array();
    DumpTree(engine, sprites);
    return sprites;
}

template <class Owner>
void WriteFields(nlohmann::json& out, Owner& owner, const auto& fields, TPurpose purpose) {
    std::apply(
        [&](const auto&... field) {
            const auto write = [&](const auto& f) {
                if (purpose == TPurpose::Checksum && f.Use != TFieldUse::Checked) return;
                const auto& value = std::invoke(f.Get, owner);
                using Value = std::remove_cvref_t<decltype(value)>;
                // A structure with its own list: its fields beside these.
                if constexpr (HasFieldList<Value>) {
                    WriteFields(out, value, Value::Fields, purpose);
                } else {
                    const std::string name(f.Name);
                    if (out.contains(name)) throw std::logic_error("two fields named " + name + " in the state dump");
                    out[name] = JsonValue(owner, value, purpose);
                }
            };
            (write(field), ...);
        },
        fields);
}

nlohmann::json FormState(TMainForm& form, TPurpose purpose) {
    nlohmann::json out = nlohmann::json::object();
    WriteFields(out, form, TFormFields::List, purpose);
    return out;
}

}  // namespace

nlohmann::json DumpSprite(const TSprite& sprite) {
    nlohmann::json out = nlohmann::json::object();
    out["Class"] = sprite.ClassName();
    TJsonFieldWriter writer(out);
    sprite.Describe(writer);
    return out;
}

nlohmann::json DumpState(TMainForm& form) {
    nlohmann::json out = FormState(form, TPurpose::Dump);
    form.Suoni.Items.PlayRequests.clear();
    return out;
}

uint64_t StateChecksum(TMainForm& form) {
    const nlohmann::json state = FormState(form, TPurpose::Checksum);
    // A name need not be valid UTF-8: such bytes count as U+FFFD.
    const std::string text = state.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

}  // namespace tibo
