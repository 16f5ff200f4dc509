// sfxgen: renders one sound recipe (assets/sounds/*.sfx) into a 16-bit mono WAV file.
// Usage: sfxgen <recipe.sfx> <output.wav>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

#include "sfx/synth.h"

namespace {

bool ReadText(const char* path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

// Writes the whole file or nothing: a half-written WAV must not look like a finished asset.
bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    const std::string temp = std::string(path) + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.good()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    return std::rename(temp.c_str(), path) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: sfxgen <recipe.sfx> <output.wav>\n";
        return 2;
    }
    std::string text;
    if (!ReadText(argv[1], text)) {
        std::cerr << argv[1] << ": cannot read the recipe\n";
        return 1;
    }
    try {
        const sfx::Recipe recipe = sfx::ParseRecipe(text);
        const auto wav = sfx::EncodeWav(sfx::Render(recipe), recipe.rate);
        if (!WriteFile(argv[2], wav)) {
            std::cerr << argv[2] << ": cannot write the sound\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
