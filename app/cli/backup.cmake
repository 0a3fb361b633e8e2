# The whole phone kept in a folder: backup, restore, verify.
list(APPEND CLI_SOURCES cli/CmdBackup.cpp)
list(APPEND CLI_LIBS q7k3_commands)
