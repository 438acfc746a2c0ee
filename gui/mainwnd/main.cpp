// Tavo: the desktop FTP client.
#include "TavoStart.h"

int main(int argc, char** argv)
{
    return RunTavo(argc, argv);
}
