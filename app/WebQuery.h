#pragma once
// The browser's page takes the command line's options in its address's query
// string: "?seed=5&input=walk.txt&dump-state=300" reads as
// "--seed 5 --input walk.txt --dump-state 300:...". File names are addresses
// relative to the page, fetched into the page's in-memory file system under
// the same names before the game starts (app/web/files.js).
#include <string>
#include <vector>

namespace tibo {

struct TQueryArguments {
    std::vector<std::string> Arguments;  // command-line words, for ParseCommandLine
    std::vector<std::string> Warnings;   // names the page does not take: ignored
};

// `query` as location.search gives it, with or without its "?". Names and
// values are decoded as the browser's URLSearchParams decodes them ("+" a
// space, "%XX" a byte). Understood: seed, input, frames, replay, dump-state
// (a tick; repeat it for several), timing-report and headless (no value
// needed); a name without "=" has no value, so that "?seed" is a bad command
// line as "--seed" is.
TQueryArguments QueryArguments(const std::string& query);

}  // namespace tibo
