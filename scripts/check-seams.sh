#!/usr/bin/env bash
# The rack engine's seams, checked on the sources: no code outside src/rack writes a field of the
# engine's state machine, and no timer is named by a number outside the engine and the platform
# (they use PollTimer, PassTimer, ... or ask the engine through RackCommands). Prints what breaks
# a rule and fails; silent when both hold.
set -uo pipefail
cd "$(dirname "$0")/.."

fields='PollMode|ProbeIndex|SweepCounter|RetryGroups|ProbeAnswered|MeterIndex|PassStart|PassSlot|ProgramRack|ChangedOnly|ProgrammingBusy|FrequencySlot'
writes=$(grep -rnE "\b($fields)\b *(\[[^]]*\])? *([-+*/|&]?=[^=]|\+\+|--)|(\+\+|--) *[A-Za-z_.>()-]*\b($fields)\b" \
    src tests bench | grep -vE '^src/rack/')
literals=$(grep -rnE '\b(setEnabled|enabled|setInterval|interval) *\( *[0-9]|TimerPause *\([^)]*\{ *[0-9]|\btag *: *\{ *[0-9]' \
    src tests bench | grep -vE '^(src|tests)/(rack|platform)/')

status=0
if [[ -n "$writes" ]]; then
    echo "The engine's state is written outside src/rack:"
    echo "$writes"
    status=1
fi
if [[ -n "$literals" ]]; then
    echo "A timer is named by a number outside the engine and the platform:"
    echo "$literals"
    status=1
fi
exit $status
