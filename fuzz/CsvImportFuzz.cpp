// The block-model file reader on any bytes a file can hold, under each mix
// of the options that change how it reads: it either refuses the file with
// one Failure or gives blocks whose sub-block counts and arrays agree and
// whose sub-blocks fill no more than their parent.

#include <cstdint>
#include <string>

#include "Failure.h"
#include "FuzzCheck.h"
#include "ModelFile.h"

using vornel::cli::BlockList;
using vornel::cli::Failure;
using vornel::cli::ModelFileOptions;
using vornel::fuzz::require;

namespace {

// The first byte chooses the options, the rest is the file.
ModelFileOptions optionsFrom(uint8_t mode) {
    ModelFileOptions options;
    options.element = (mode & 16) != 0 ? "Au" : "Cu";
    if ((mode & 1) != 0) {
        options.grid.blockSize = D_3DOT{10.0, 10.0, 5.0};
    }
    if ((mode & 2) != 0) {
        options.grid.origin = D_3DOT{500000.0, 3000000.0, -100.0};
    }
    if ((mode & 4) != 0) {
        options.columns = {"X", "Y", "Z", "CU", "PARENT"};
    }
    if ((mode & 8) != 0) {
        options.grid.density = 2.7;
    }
    if ((mode & 32) != 0) {
        options.gradeColumn = "AU";
    }
    if ((mode & 64) != 0) {
        options.grid.cells = vornel::cli::GridCells{3, 2, 2};
    }
    if ((mode & 128) != 0) {
        options.missing = 0.0;
    }
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const vornel::fuzz::ScratchFile file("-import.csv");
    file.write(data + 1, size - 1);
    BlockList blocks;
    try {
        vornel::cli::readModelFile(file.path(), optionsFrom(data[0]), blocks);
    } catch (const Failure& failure) {
        require(std::string(failure.what()).find('\n') == std::string::npos);  // one line
        return 0;
    }
    for (const KrigBlockResult& b : blocks.all()) {
        require(b.SubBUD_Num >= 0);
        require((b.SubBUD_Num == 0) == (b.SubBUD_PntLoc == nullptr));
        require(b.Block_Coef <= 1.0 || !(b.Block_Coef == b.Block_Coef));
    }
    return 0;
}
