#include "cli/patch_commands.h"

#include "cli/arguments.h"
#include "cli/output_file.h"
#include "patch/patch_format.h"
#include "storage/file_access.h"

namespace velmora::cli {

namespace {

// The patch format a file name's extension chooses; another extension is a usage error.
const patch::PatchFormat &formatFor(const std::string &fileName)
{
    try {
        return patch::requirePatchFormat(fileName);
    } catch (const patch::PatchError &e) {
        throw UsageError(e.what());
    }
}

} // namespace

int runPatchMake(const Invocation &in)
{
    const std::string out = in.required("o");
    // The format comes from the name to write, before anything is read.
    const patch::PatchFormat &format = formatFor(out);
    const std::vector<uint8_t> original = readWholeFile(in.positionals[0]);
    const std::vector<uint8_t> modified = readWholeFile(in.positionals[1]);
    writeOutput(QString::fromStdString(out), in.positionals, format.write(original, modified));
    return Success;
}

int runPatchApply(const Invocation &in)
{
    const QString patchPath = in.positionals[1];
    const patch::PatchFormat &format = formatFor(patchPath.toStdString());
    const std::vector<uint8_t> image = readWholeFile(in.positionals[0]);
    const std::vector<uint8_t> result = format.apply(image, readWholeFile(patchPath));
    writeOutput(QString::fromStdString(in.required("o")), in.positionals, result);
    return Success;
}

} // namespace velmora::cli
