#include "production/link_errors.h"

namespace lumbra {

LinkErrorMessage MessageForLinkError(DdeError error) {
  switch (error) {
    case DdeError::AdviseAckTimeout: return {205, "DMLERR_ADVACKTIMEOUT"};
    case DdeError::Busy: return {202, "DMLERR_BUSY : DESTROYKX is unable to be completed"};
    case DdeError::DataAckTimeout: return {206, "DMLERR_DATAACKTIMEOUT"};
    case DdeError::DllNotInitialized: return {207, "DMLERR_DLL_NOT_INITIALIZED"};
    case DdeError::DllUsage: return {208, "DMLERR_DLL_USAGE"};
    case DdeError::ExecuteAckTimeout: return {204, "DMLERR_EXEACKTIMEOUT: DDE command timed out"};
    case DdeError::InvalidParameter: return {219, "DMLERR_INVALIDPARAMETER"};
    case DdeError::LowMemory: return {3, "DMLERR_LOW_MEMORY"};
    case DdeError::MemoryError: return {209, "DMLERR_MEMORY_ERROR"};
    case DdeError::NotProcessed: return {203, "DMLERR_NOTPROCESSED: Invalid command"};
    case DdeError::NoConversationEstablished: return {210, "DMLERR_NO_CONV_ESTABLISHED"};
    case DdeError::PokeAckTimeout: return {211, "DMLERR_POKEACKTIMEOUT"};
    case DdeError::PostMessageFailed: return {212, "DMLERR_POSTMSG_FAILED"};
    case DdeError::Reentrancy: return {213, "DMLERR_REENTRANCY"};
    case DdeError::ServerDied: return {214, "DMLERR_SERVER_DIED"};
    case DdeError::SystemError: return {215, "DMLERR_SYS_ERROR"};
    case DdeError::UnadviseAckTimeout: return {216, "DMLERR_UNADVACKTIMEOUT"};
    case DdeError::UnfoundQueueId: return {217, "DMLERR_UNFOUND_QUEUE_ID"};
    case DdeError::None: break;
  }
  return {218, "Unrecoginized DDE error"};
}

}  // namespace lumbra
