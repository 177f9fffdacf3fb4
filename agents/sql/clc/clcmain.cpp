// The entry point of zarnaksqlc.
#include "agtrc.h"
#include "clc.h"

int main(int argc, char* argv[]) {
  return exitStatusOf(clcRun(argc, argv));
}
