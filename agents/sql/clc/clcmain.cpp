// The entry point of zarnaksqlc.
#include "clc.h"

int main(int argc, char* argv[]) {
  return clcExitStatus(clcRun(argc, argv));
}
