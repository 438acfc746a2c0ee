// Property sheets of a single file or folder, local or on a server.
#pragma once
