// The score file reader on arbitrary bytes: no crash, every stored value within the reader's
// rules, and a save followed by a load gives back the very same records.
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "fuzz_support.h"
#include "platform/headless/headless.h"
#include "scores/score_file.h"

namespace {

using scores::Scores;

auto Key(const Scores& s) {
    return std::tie(s.Timestamp, s.Score, s.Name, s.Badges, s.Level, s.GameMode, s.GameFlags, s.Quit, s.Best);
}

// The records in one total order: the list's own order compares timestamps in 32 bits, which
// is not transitive for far-apart values, so two sorts of the same records may differ.
std::vector<Scores> Ordered(const std::vector<Scores>& list) {
    std::vector<Scores> copy = list;
    std::sort(copy.begin(), copy.end(), [](const Scores& a, const Scores& b) { return Key(a) < Key(b); });
    return copy;
}

bool Same(const std::vector<Scores>& a, const std::vector<Scores>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Scores& x, const Scores& y) { return Key(x) == Key(y); });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::headless::UseHeadlessBackends();
    fuzz::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::WriteInput("scores.dat", data, size);
    scores::ResetScores();
    scores::LoadScores();
    for (const Scores& s : scores::ScoreList) {
        fuzz::Require(s.Badges >= 0 && s.Level >= 0 && s.GameMode >= 0 && s.GameFlags >= 0 && s.Quit >= 0,
                      "stored counters are not negative");
        fuzz::Require(s.Name.find('|') == std::string::npos, "a name holds no field separator");
        fuzz::Require(s.Name.empty() || (static_cast<unsigned char>(s.Name.front()) > 32 &&
                                         static_cast<unsigned char>(s.Name.back()) > 32),
                      "names are trimmed");
        for (int k = 1; k < scores::BestSlots; ++k)
            fuzz::Require(s.Best[k] >= 0, "best values are not negative");
    }
    if (scores::ScoreList.size() == 2) {
        // With two records the comparison alone decides the order: the newer one first.
        fuzz::Require(scores::ScoreList[0].Compare(scores::ScoreList[1]) <= 0,
                      "two records sorted newest first");
    }
    const std::vector<Scores> loaded = Ordered(scores::ScoreList);
    fuzz::Require(scores::SaveScores(), "scores saved");
    scores::ResetScores();
    scores::LoadScores();
    fuzz::Require(Same(Ordered(scores::ScoreList), loaded), "saved records load back unchanged");
    return 0;
}
