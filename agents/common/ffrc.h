// The first-failure return code: keeps the first non-zero code assigned to it, so that a
// sequence of steps (clean-ups above all) can run on after a failure and still report it.
#pragma once

#include "agtrc.h"

class Ffrc {
 public:
  Ffrc(int rc = 0) : m_Rc(rc) {}
  ~Ffrc() {}
  // Takes `rc` only while the held code is 0; assigning 0 never clears a failure.
  Ffrc& operator=(int rc) {
    if (m_Rc == RC_OK) m_Rc = rc;
    return *this;
  }
  Ffrc& operator=(const Ffrc& other) { return *this = other.m_Rc; }
  Ffrc(const Ffrc& other) = default;
  operator int() const { return m_Rc; }

 private:
  int m_Rc;
};
