// Symbol fixtures as the scripts in tests/data write them: a header line "# FIELD<TAB>FIELD…"
// followed by the symbol's rows of 0 and 1 (1 = dark), one block a symbol.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "decoder/BitMatrix.h"

namespace testsupport {

// The bytes that a string of hexadecimal pairs spells ("e4bda0" gives three bytes).
inline std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// A line's tab-separated fields; a line without a tab is one field.
inline std::vector<std::string> tabFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0, tab;
    while ((tab = line.find('\t', start)) != std::string::npos) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

struct SymbolFixture {
    std::string header;               // the header line without its "# "
    std::vector<std::string> fields;  // the header's tab-separated fields
    BitMatrix modules;
};

// Every symbol of the file at `path`, in file order; none when the file cannot be read.
inline std::vector<SymbolFixture> readSymbolFixtures(const std::string& path) {
    std::ifstream in(path);
    std::vector<SymbolFixture> list;
    std::vector<std::string> rows;
    std::string line;
    const auto finish = [&] {
        if (list.empty() || rows.empty()) return;
        // As wide as its first row (rectangular symbols), else square.
        const int n = static_cast<int>(rows.size()), width = static_cast<int>(rows[0].size());
        list.back().modules = BitMatrix(width, n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < width && x < static_cast<int>(rows[y].size()); ++x) list.back().modules.set(x, y, rows[y][x] == '1');
        rows.clear();
    };
    while (std::getline(in, line)) {
        if (line.rfind("# ", 0) == 0) {
            finish();
            list.push_back({line.substr(2), tabFields(line.substr(2)), {}});
        } else if (!line.empty()) {
            rows.push_back(line);
        }
    }
    finish();
    return list;
}

}  // namespace testsupport
