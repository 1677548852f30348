// The single easylogging++ storage of the program; every logging call in the updater ends here.
#include "Log.h"

INITIALIZE_EASYLOGGINGPP
