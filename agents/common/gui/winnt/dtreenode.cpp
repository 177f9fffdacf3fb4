#include "dtreenode.h"

#include <cstring>

#include "agtmem.h"
#include "agttrc.h"

DTreeNodeData::~DTreeNodeData() {
  if (m_deleteRelatedInfoRtn) {
    m_deleteRelatedInfoRtn(pRelatedInfo);
  } else if (pRelatedInfo) {
    FREE(&pRelatedInfo);
  }
  if (m_deleteLLRtn) m_deleteLLRtn(pLL);
}

void deleteDTreeNodeData(DTreeNodeData* recordP) {
  TRACE_ENTRY(TRC_GUI, "deleteDTreeNodeData");
  delete recordP;
}

DTreeStartEntry dtvMakeStartEntry(const char* labelP, int32_t image, int32_t kind) {
  DTreeStartEntry entry{};
  size_t length = labelP ? strlen(labelP) : 0;
  if (length >= DTREE_START_LABEL_SIZE) {
    length = DTREE_START_LABEL_SIZE - 1;
    // Back off over continuation bytes to the start of the character that did not fit.
    while (length > 0 && (static_cast<unsigned char>(labelP[length]) & 0xC0) == 0x80) --length;
  }
  if (length > 0) memcpy(entry.label, labelP, length);
  entry.image = image;
  entry.kind = kind;
  return entry;
}
