#include "dcontrol.h"

DInformReply DController::cgListenToInforms(DInformMsg msg) {
  DInformReply reply(0);
  if (m_parentP != nullptr) {
    DInformMsg forwarded(msg.getMessage(), msg.getData());
    reply.setResult(m_parentP->cgListenToInforms(forwarded).getResult());
  }
  return reply;
}

uint32_t informController(DController* controllerP, uint16_t message, void* dataP) {
  if (controllerP == nullptr) return 0;
  DInformMsg msg(message, dataP);
  return controllerP->cgListenToInforms(msg).getResult();
}
