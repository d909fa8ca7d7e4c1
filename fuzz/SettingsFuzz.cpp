// Any bytes as Tibo.Ini: reading never fails, and a table written into the file
// and read back is the table that was written.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tibo::THallOfFame hall = tibo::HallOfFameFromText(text);

    // The writing keeps the rest of the file: the same steps as WriteHallOfFame.
    tibo::TIniFile ini = tibo::TIniFile::Parse(text);
    for (int n = 1; n <= 10; ++n) {
        const tibo::HallEntry& e = hall[static_cast<size_t>(n - 1)];
        const std::string suffix = std::to_string(n);
        ini.WriteString("Record", "Nome" + suffix, e.Nome);
        ini.WriteInteger("Record", "Punti" + suffix, e.Punti);
        ini.WriteInteger("Record", "Livello" + suffix, e.Livello);
    }
    const tibo::THallOfFame again = tibo::HallOfFameFromText(ini.Text());
    for (size_t i = 0; i < hall.size(); ++i)
        if (again[i].Nome != hall[i].Nome || again[i].Punti != hall[i].Punti || again[i].Livello != hall[i].Livello)
            std::abort();
    return 0;
}
