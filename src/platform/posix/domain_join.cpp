// Domain membership on Linux: the program knows of no Windows domain a Linux
// PC could belong to, so it always stands alone. Its host name is its own to
// set, which is what the synchronise command needs to know.
#include "platform/posix/posix_os.h"

namespace hw::posix {

uint32_t PosixOs::NetGetJoinInformation(const std::string* /*server*/, NetApiBuffer& nameBuffer, int& bufferType) {
  nameBuffer.text.clear();
  nameBuffer.owner = Released([] {});
  bufferType = kNetSetupUnjoined;
  return kNerrSuccess;
}

}  // namespace hw::posix
