# bash completion for rangecat                             -*- shell-script -*-
_rangecat()
{
	local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} i
	case $prev in
	-s | -e | --s | --st | --sta | --star | --start | --e | --en | --end)
		COMPREPLY=()
		return
		;;
	esac
	# After --, every word is a file name, even one that begins with a dash;
	# once the one file is named, only options are left.
	local options=yes operand=
	for ((i = 1; i < COMP_CWORD; i++)); do
		case ${options:+opt}${COMP_WORDS[i]} in
		opt--) options= ;;
		opt--[se]*=* | opt-[se]?*) ;;
		opt-[se] | opt--[se]*) ((i++)) ;;
		opt-*) ;;
		*) operand=yes ;;
		esac
	done
	if [[ $operand ]]; then
		COMPREPLY=()
		[[ $options ]] &&
			mapfile -t COMPREPLY < <(compgen -W '-s -e --start --end' -- "$cur")
	elif [[ $options && $cur == -* ]]; then
		mapfile -t COMPREPLY < <(compgen -W '-s -e --start --end --' -- "$cur")
	else
		compopt -o filenames 2>/dev/null
		mapfile -t COMPREPLY < <(compgen -f -- "$cur")
	fi
}
complete -F _rangecat rangecat
