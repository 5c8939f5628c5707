// The test-only component module: the sample class, and the same class registered as a
// control so that the control's extra keys are exercised.
#include "platform/automation/component_module.h"
#include "sample_object.h"

LUMBRA_COMPONENT_MODULE(
    lumbra::ComponentClass{
        .clsid = lumbra::testing::kSampleClsid,
        .prog_id = lumbra::testing::kSampleProgId,
        .version_independent_prog_id = "LumbraTest.Sample",
        .description = "Sample Class",
        .type_library = lumbra::testing::kSampleLibrary,
        .type_library_version = "1.0",
        .type_library_name = "LumbraTest 1.0 Type Library",
        .create = &lumbra::Construct<lumbra::testing::SampleObject>,
    },
    lumbra::ComponentClass{
        .clsid = lumbra::testing::kSampleControlClsid,
        .prog_id = lumbra::testing::kSampleControlProgId,
        .version_independent_prog_id = "LumbraTest.Control",
        .description = "Sample Control",
        .type_library = lumbra::testing::kSampleLibrary,
        .type_library_version = "1.0",
        .type_library_name = "LumbraTest 1.0 Type Library",
        .control = true,
        .create = &lumbra::Construct<lumbra::testing::SampleObject>,
    })
