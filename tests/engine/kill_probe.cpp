// Runs kesh::KillClient in a fresh process, as the updater placed in this folder would, and prints
// its result as "result=<0|1>" and its log lines as "LOG <level> <msg>".
#include <cstdio>

#include "ClientProcess.h"
#include "Log.h"

int wmain() {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Format, "LOG %level %msg");
    conf.setGlobally(el::ConfigurationType::ToFile, "false");
    el::Loggers::reconfigureLogger("default", conf);
    const bool result = kesh::KillClient();
    printf("result=%d\n", result ? 1 : 0);
    fflush(stdout);
    return 0;
}
