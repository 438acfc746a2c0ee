#include "MarloEcho.h"

#include "MarloProgress.h"

#include <cstdio>

int MarloClientEcho(std::intptr_t, const char* text)
{
    MarloProgressEndLine();
    std::printf("Client=> %s\n", text);
    std::fflush(stdout);
    return 0;
}

int MarloServerEcho(std::intptr_t, const char* text)
{
    MarloProgressEndLine();
    std::printf("Server=> %s\n", text);
    std::fflush(stdout);
    return 0;
}
