# The phone file-system commands: scan, ls, get, put, rm.
list(APPEND CLI_SOURCES cli/CmdPhoneFs.cpp cli/CliSession.cpp)
list(APPEND CLI_LIBS q7k3_phonefs q7k3_session q7k3_commands)
list(APPEND CLI_LIBS q7k3_commands)
# java rebuild: the Java suite registry.
list(APPEND CLI_SOURCES cli/CmdJava.cpp)
