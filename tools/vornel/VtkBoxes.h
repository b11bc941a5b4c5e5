// Boxes as a legacy VTK file (binary), the unstructured grid that ParaView
// and other VTK readers open: one hexahedron cell per box, its eight
// corners its own, and numbers per cell. The file is written section by
// section, each a pass over the cells: the boxes, then each column of
// values in turn.
#ifndef VORNEL_CLI_VTKBOXES_H
#define VORNEL_CLI_VTKBOXES_H

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "Box.h"

namespace vornel::cli {

class VtkBoxes {
public:
    // Writes the file's head. The title (one line of at most 255 bytes in
    // the file) is cut where it must be. Throws Failure for more cells than
    // the format's 32-bit indices can number.
    VtkBoxes(std::ostream& out, const std::string& title, long cells);

    // Whether the title was cut to fit.
    bool titleCut() const { return titleCut_; }

    void box(const Box& b);
    // After the last box: the cells' corners and types.
    void endBoxes();

    // A column of numbers, one per cell, after the boxes. Names are encoded
    // as the readers decode them (%20 for a space).
    void startReals(const std::string& name);
    void startIntegers(const std::string& name);
    void real(double value);
    void integer(int32_t value);

    // Writes out what is buffered.
    void finish();

private:
    void startColumn(const std::string& name, const char* type);
    template <typename T>
    void put(T value);
    void flush();

    std::ostream& out_;
    long cells_;
    bool titleCut_ = false;
    std::vector<char> buffer_;
    bool columnStarted_ = false;
};

}  // namespace vornel::cli

#endif
