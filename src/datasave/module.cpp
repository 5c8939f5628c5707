// libquorra.so: the module that registers and creates the data-save object.
#include "datasave/data_save_object.h"
#include "platform/automation/component_module.h"

// A programmable control with its own version text, but not in the scripting categories.
LUMBRA_COMPONENT_MODULE(lumbra::ComponentClass{
    .clsid = "{5B3F7A10-8C2D-4E61-A4B9-2F6D1C0E9A31}",
    .prog_id = lumbra::kDataSaveProgId,
    .version_independent_prog_id = "Quorra.DataSave",
    .description = "DataSave Class",
    .type_library = "{5B3F7A11-8C2D-4E61-A4B9-2F6D1C0E9A31}",
    .type_library_version = "1.0",
    .type_library_name = "Quorra 1.0 Type Library",
    .version = "2.0.0.19",
    .programmable = true,
    .control = true,
    .safe_for_scripting = false,
    .create = &lumbra::Construct<lumbra::DataSaveObject>,
})
