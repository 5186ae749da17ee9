// Reads a text file line by line as the import needs it: lines end at "\r\n" or "\n", and the
// end of the file is told apart from a failed read.
#pragma once

#include <istream>
#include <string>

namespace snx {

class LineReader {
  public:
    explicit LineReader(std::istream& in) : in_(in) {}

    // The next line without its line end. False at the end of the file or on a read error.
    bool Read(std::string& line);
    // True when no further line can be read (nothing left, or the stream failed).
    bool AtEnd();
    // A read failed for another reason than the end of the file.
    bool Failed() const { return in_.bad(); }

  private:
    std::istream& in_;
};

}  // namespace snx
