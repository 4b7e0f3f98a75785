// Feeds arbitrary text to the command-line parser (and to the difference argument reader of -XD and
// the DIFF macro): every path, number list and argument it assembles must stay inside its buffer, and
// the parse must end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "work_model/stl_import_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string line = text.substr(0, text.find('\0'));
    ResetCommandLineRequests();
    ResetStlImportOptions();
    ParseCommandLine(line.c_str());
    ParseDifferenceArgument(line.c_str());
    return 0;
}
