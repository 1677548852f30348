// The updater's one logging header: easylogging++ with the project's build switches (they are
// set for every target by the build, so all translation units agree on ELPP_THREAD_SAFE).
#pragma once
#include <easylogging++.h>
