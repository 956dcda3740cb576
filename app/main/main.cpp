#include "startup_u.h"
#include "supervisor_u.h"

int main(int argc, char** argv)
{
    // A crashed program is started again (supervisor_u.h).
    if (const int rc = Supervisor::Run(argc, argv); rc >= 0) return rc;
    return KurutenMain(argc, argv);
}
