#include "exchange/line_reader.h"

namespace snx {

bool LineReader::Read(std::string& line) {
    if (AtEnd()) {
        return false;
    }
    std::getline(in_, line);
    if (in_.bad()) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool LineReader::AtEnd() {
    if (!in_.good()) {
        return true;
    }
    return in_.peek() == std::istream::traits_type::eof();
}

}  // namespace snx
