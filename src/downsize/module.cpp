// libtamsel.so: the module that registers and creates the DownSize class.
#include "downsize/down_size.h"
#include "platform/automation/component_module.h"

LUMBRA_COMPONENT_MODULE(lumbra::ComponentClass{
    .clsid = "{5B2E7C14-8A3F-4D61-B0E9-2C7F19A4D3E1}",
    .prog_id = "Tamsel.DownSize.1",
    .version_independent_prog_id = "Tamsel.DownSize",
    .description = "DownSize Class",
    .type_library = "{5B2E7C15-8A3F-4D61-B0E9-2C7F19A4D3E1}",
    .type_library_version = "1.0",
    .type_library_name = "TAMSELLib",
    .control = false,
    .create = &lumbra::Construct<lumbra::DownSize>,
})
