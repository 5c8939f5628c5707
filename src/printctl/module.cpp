// libostrel.so: the module that registers and creates the card-print control.
#include "platform/automation/component_module.h"
#include "printctl/ostrel_ctrl.h"

LUMBRA_COMPONENT_MODULE(lumbra::ComponentClass{
    .clsid = "{8E2A4C61-5D3B-4A07-B1E9-3C7F0D5A2B61}",
    .prog_id = lumbra::kOstrelProgId,
    .version_independent_prog_id = "OSTREL.OstrelCtrl",
    .description = "Ostrel Control",
    .type_library = "{8E2A4C62-5D3B-4A07-B1E9-3C7F0D5A2B61}",
    .type_library_version = "9.12",
    .type_library_name = "OSTRELLib",
    .control = true,
    .create = &lumbra::Construct<lumbra::COstrelCtrl>,
})
