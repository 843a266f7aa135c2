# The module's report folders, one per subsystem: the module is built from them (with shell/
# and common/), and cmake/check_includes.cmake holds them to the include rules. A new
# subsystem is one word here.
set(RAPPORTS_SUBSYSTEMS receivables insurance closing analysis followup receipts generator)
