#include "app/run_application.h"

int main(int argc, char* argv[]) {
    return kalvor::app::RunApplication(argc, argv);
}
