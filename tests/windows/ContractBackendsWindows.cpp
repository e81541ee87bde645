// The Windows build has no Qt: its window contract runs on the headless backend.
#include "tests/windowcontract/ContractBackends.h"

std::unique_ptr<ContractBackend> MakeQtContractBackend() {
    return nullptr;
}
