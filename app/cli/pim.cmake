# The phonebook and the stored messages: contacts, messages.
list(APPEND CLI_SOURCES cli/CmdPim.cpp)
list(APPEND CLI_LIBS q7k3_pim_phone)
