#!/usr/bin/env bash
# The seams of the rack engine and of the rack's file, checked on the sources:
#  - no code outside src/rack writes a field of the engine's state machine;
#  - no code outside the engine and the platform writes one of the six station timers, whether
#    it names the timer by its tag (PollTimer, PassTimer, ... or a number) or goes to the timer
#    bank itself (timers.setEnabled, timers_.Release, ...): the others ask the engine through
#    RackCommands (pauses, the exit hold, the stop);
#  - the rack's file state (the file in force, whether one is in use, the load-at-start choice,
#    the loaded entries, count and global mute) is written by its owner, src/files/RackFile.cpp,
#    alone, and its type is named nowhere else.
# Prints what breaks a rule and fails; silent when all hold. SEAMS_ROOT checks another tree.
set -uo pipefail
cd "${SEAMS_ROOT:-$(dirname "$0")/..}"

dirs=()
for dir in src tests bench tools; do
    [[ -d $dir ]] && dirs+=("$dir")
done
search() { grep -rnE --include='*.cpp' --include='*.h' "$1" "${dirs[@]}"; }

assign='(\[[^]]*\])? *([-+*/|&]?=[^=]|\+\+|--)'

fields='PollMode|ProbeIndex|SweepCounter|RetryGroups|ProbeAnswered|MeterIndex|PassStart|PassSlot|ProgramRack|ChangedOnly|ProgrammingBusy|FrequencySlot'
writes=$(search "\b($fields)\b *$assign|(\+\+|--) *[A-Za-z_.>()-]*\b($fields)\b" |
    grep -vE '^src/rack/')

tags='PollTimer|SpareTimer|WatchdogTimer|PassTimer|AnswerRateTimer|FrequencySendTimer'
timerWrites=$(search "\b(setEnabled|setInterval) *\( *([0-9]|($tags)\b)|TimerPause *\([^)]*\{ *[0-9]|\btag *: *\{ *[0-9]|\btimers_?(\(\))? *(\.|->) *(setEnabled|setInterval|disableAll|Release|Create|setObserver) *\(" |
    grep -vE '^(src|tests)/(rack|platform)/')

fileFields='LoadLastFile|FileInUse|CurrentFile|LoadData|LoadedCount|LoadedMuteLevel'
fileWrites=$(search "(\.|->|\b)($fileFields) *$assign|\b(files?_?|state_|fileState)(\(\))? *(\.|->) *(EntryCount|GlobalMuteLevel) *$assign|\bFileState\b" |
    grep -vE '^src/files/RackFile\.(cpp|h):')

status=0
if [[ -n "$writes" ]]; then
    echo "The engine's state is written outside src/rack:"
    echo "$writes"
    status=1
fi
if [[ -n "$timerWrites" ]]; then
    echo "A station timer is written outside the engine and the platform:"
    echo "$timerWrites"
    status=1
fi
if [[ -n "$fileWrites" ]]; then
    echo "The rack's file state is written (or its type named) outside src/files/RackFile.cpp:"
    echo "$fileWrites"
    status=1
fi
exit $status
