// The program "rivsim": one interactive run on a river model.
#include "driver/driver.hpp"

int main(int argc, char** argv) { return riv::rivsim_main(argc, argv); }
