#include "dapp.h"

#include <cstdlib>
#include <new>

#include "agtrc.h"

void DApplication::ciExit(int exitCode) {
  ciCleanUp();
  m_exited = true;
  m_exitCode = exitCode;
  if (m_endProcess) std::exit(exitStatusOf(exitCode));
}

int DApplication::ciStartUp() {
  if (m_informerP == nullptr) m_informerP = new (std::nothrow) DInformer();
  return 0;
}

void DApplication::ciCleanUp() {
  delete m_informerP;
  m_informerP = nullptr;
}
