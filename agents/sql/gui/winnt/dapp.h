// The application base of the windowed program: start-up, clean-up and exit hooks, and the
// informer that the base start-up makes. The program's application (dsqlguiapp.h) overrides
// the start-up with the agent's and so runs without an informer.
#pragma once

#include "dcontrol.h"

class DApplication {
 public:
  DApplication() = default;
  virtual ~DApplication() { delete m_informerP; }
  DApplication(const DApplication&) = delete;
  DApplication& operator=(const DApplication&) = delete;

  // Runs the clean-up and ends the program with the code: the process ends at once unless
  // ending was turned off (tests), when the code is only recorded.
  virtual void ciExit(int exitCode);
  // Makes the informer (a failed allocation leaves none). Returns 0.
  virtual int ciStartUp();
  // Deletes the informer when there is one.
  virtual void ciCleanUp();

  DInformer* informer() const { return m_informerP; }
  bool exited() const { return m_exited; }
  int exitCode() const { return m_exitCode; }
  void setEndProcessOnExit(bool end) { m_endProcess = end; }

 private:
  DInformer* m_informerP = nullptr;
  bool m_exited = false;
  int m_exitCode = 0;
  bool m_endProcess = true;
};
